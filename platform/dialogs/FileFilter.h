#pragma once
#include <QString>

namespace orvex::dialogs {

// Turns a "Text|*.a;*.b|Text|*.*" filter into Qt's "Text (*.a *.b);;Text (*)".
QString ToQtFilter(const QString& pipeFilter);

// The Qt filter entry that stands at 1-based position `index`, or empty.
QString QtFilterAt(const QString& pipeFilter, int index);

// Adds `defaultExt` (".avi" or "avi") to a file name that has no extension.
QString WithDefaultExtension(const QString& fileName, const QString& defaultExt);

}  // namespace orvex::dialogs
