#include "shell.h"

#include "textcodec.h"

#include <QDesktopServices>
#include <QUrl>

namespace zentorix {
namespace {

ShellService replacement;

}  // namespace

ShellService ReplaceShellService(ShellService service)
{
    std::swap(service, replacement);
    return service;
}

void ShellOpen(const std::string& target)
{
    if (replacement) {
        replacement(target);
        return;
    }
    const QString text = FromSystemText(target);
    const QUrl url = text.contains(QStringLiteral("://")) ? QUrl(text) : QUrl::fromLocalFile(text);
    QDesktopServices::openUrl(url);
}

}  // namespace zentorix
