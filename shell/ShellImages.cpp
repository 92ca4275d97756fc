#include "shell/ShellImages.h"

#include <QStringList>

namespace quelvane {

namespace {

QList<QIcon> load(const QStringList& names) {
    QList<QIcon> icons;
    for (const auto& name : names) {
        icons << QIcon(QStringLiteral(":/icons/%1.svg").arg(name));
    }
    return icons;
}

}  // namespace

QList<QIcon> ShellImages::toolbar() {
    return load({"open", "export", "batch", "putin", "print", "help"});
}

QList<QIcon> ShellImages::tree() {
    return load({"library", "library-open", "part", "part-open", "object", "object-open"});
}

QList<QIcon> ShellImages::list() {
    return load({"record", "norecord"});
}

QIcon ShellImages::program() {
    return QIcon(QStringLiteral(":/icons/quelvane.svg"));
}

}  // namespace quelvane
