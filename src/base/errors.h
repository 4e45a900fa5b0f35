#pragma once
// Failures of file operations. The message is the text the user reads; the one
// guard of the window layer catches these and shows it in a message box.
#include <stdexcept>
#include <string>

#include <QString>

namespace nimbrel {

class FileError : public std::runtime_error {
public:
    explicit FileError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString Message() const { return QString::fromStdString(what()); }
};

/// A file that should be there is not. The message names it on a line of its own.
class FileNotFound : public FileError {
public:
    explicit FileNotFound(const QString& path)
        : FileError(QStringLiteral("File not found\n") + path) {}
};

/// Input that is present but malformed: a short record, a bad number, an absurd image.
class DataError : public FileError {
public:
    using FileError::FileError;
};

/// A text that does not convert (a case day, a frame's date and time).
class ConvertError : public std::runtime_error {
public:
    explicit ConvertError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString Message() const { return QString::fromStdString(what()); }
};

} // namespace nimbrel
