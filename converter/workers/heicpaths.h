#pragma once

#include <QStringList>

// Absolute paths of every listed file, in the order they were added. Owned by the GUI thread:
// workers get copies and hand changes back to it.
extern QStringList g_listHeicPaths;

// Removes the first occurrence of each path, in one pass over the list.
void removeHeicPaths(const QStringList& paths);
