#include "kit/foundation/errors/ProgrammingError.h"

#include <QMessageLogger>

#include <cstdlib>

void stopForProgrammingError(const QString &message, std::source_location location)
{
    const QString text = QStringLiteral("%1:%2: Fatal error: %3")
                             .arg(QString::fromUtf8(location.file_name()))
                             .arg(location.line())
                             .arg(message);
    QMessageLogger(location.file_name(), static_cast<int>(location.line()), location.function_name())
        .fatal("%s", qUtf8Printable(text));
    std::abort(); // fatal() does not return; this keeps [[noreturn]] honest for the compiler.
}
