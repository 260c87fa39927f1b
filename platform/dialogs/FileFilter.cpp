#include "platform/dialogs/FileFilter.h"

#include <QFileInfo>
#include <QStringList>

namespace orvex::dialogs {
namespace {

QStringList QtEntries(const QString& pipeFilter) {
  const QStringList parts = pipeFilter.split('|');
  QStringList entries;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (QString pattern : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
      pattern = pattern.trimmed();
      // "*.*" means every file on Windows, but only dotted names for Qt.
      patterns << (pattern == "*.*" ? QStringLiteral("*") : pattern);
    }
    entries << QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(' '));
  }
  return entries;
}

}  // namespace

QString ToQtFilter(const QString& pipeFilter) { return QtEntries(pipeFilter).join(";;"); }

QString QtFilterAt(const QString& pipeFilter, int index) {
  const QStringList entries = QtEntries(pipeFilter);
  return index >= 1 && index <= entries.size() ? entries[index - 1] : QString();
}

QString WithDefaultExtension(const QString& fileName, const QString& defaultExt) {
  if (fileName.isEmpty() || defaultExt.isEmpty()) return fileName;
  if (!QFileInfo(fileName).suffix().isEmpty()) return fileName;
  const QString ext = defaultExt.startsWith('.') ? defaultExt : "." + defaultExt;
  return fileName + ext;
}

}  // namespace orvex::dialogs
