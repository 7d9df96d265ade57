#include "clisources.h"

#include "ztpicturetypes.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace pixvuecli {

namespace {

QString withSeparator(const QString& folder) {
    const QString absolute = QDir(folder).absolutePath();
    return absolute.endsWith(QLatin1Char('/')) ? absolute : absolute + QLatin1Char('/');
}

QStringList picturesIn(const QString& folder, bool recursive) {
    QStringList pictures;
    QDirIterator it(folder, QDir::Files | QDir::Readable | QDir::Hidden,
                    recursive ? QDirIterator::Subdirectories | QDirIterator::FollowSymlinks
                              : QDirIterator::NoIteratorFlags);
    while (it.hasNext()) {
        const QString path = it.next();
        if (ztpicture::isPictureFile(path)) {
            pictures.append(path);
        }
    }
    std::sort(pictures.begin(), pictures.end());
    return pictures;
}

class Collector {
public:
    explicit Collector(const QString& outputDir)
        : m_outputDir(outputDir.isEmpty() ? QString() : withSeparator(outputDir)) {}

    void add(const QString& path, const QString& reason = QString()) {
        const QFileInfo info(path);
        const QString key = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
        if (m_seen.contains(key)) {
            return;
        }
        m_seen.insert(key);
        const QString outputDir =
            m_outputDir.isEmpty() ? withSeparator(info.absolutePath()) : m_outputDir;
        m_list.sources.append({path, outputDir, reason});
    }

    void addNamed(const QString& input, bool recursive) {
        const QFileInfo info(input);
        if (!info.exists()) {
            add(input, QStringLiteral("no such file or folder"));
        } else if (info.isDir()) {
            const QStringList pictures = picturesIn(input, recursive);
            if (pictures.isEmpty()) {
                m_list.emptyFolders.append(input);
            }
            for (const QString& picture : pictures) {
                add(picture);
            }
        } else if (!ztpicture::isTakenWhenNamed(input)) {
            add(input, QStringLiteral("not a picture"));
        } else {
            add(input);
        }
    }

    SourceList list() const { return m_list; }

private:
    const QString m_outputDir;
    QSet<QString> m_seen;
    SourceList m_list;
};

}  // namespace

SourceList collectSources(const QStringList& inputs, bool recursive, const QString& outputDir) {
    Collector collector(outputDir);
    for (const QString& input : inputs) {
        collector.addNamed(input, recursive);
    }
    return collector.list();
}

}  // namespace pixvuecli
