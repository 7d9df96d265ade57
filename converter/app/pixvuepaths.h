#pragma once

// Where the converter finds its companion programs and puts its output by default.

#include <QString>

namespace pixvue {

// A program installed beside the converter: applicationDirPath() + "/" + baseName.
QString programPath(const QString& baseName);

inline constexpr const char* kLogSenderProgram = "ZtLogSender_HC";
inline constexpr const char* kBugReportProgram = "QFaultPost";
inline constexpr const char* kConverterProgram = "zentarPixvue";

// The default output folder: the desktop's "Pixvue" folder.
QString defaultOutputDirectory();

// True when path is, or lies under, a directory of the operating system (whole path
// components: "/usr2" and "/home/me/usr" are not). An empty path counts as one.
bool isSystemDirectory(const QString& path);

}  // namespace pixvue
