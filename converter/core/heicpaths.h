#pragma once

#include <QStringList>

// Absolute paths of every listed file, in the order they were added: a read-only copy of the
// file list's rows, kept by its controller (pages/qfilelistcontroller.h) on the GUI thread.
extern QStringList g_listHeicPaths;
