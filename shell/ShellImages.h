#pragma once

#include <QIcon>
#include <QList>

namespace quelvane {

// The program's own image lists, drawn as SVG in the resources.
class ShellImages {
  public:
    // Toolbar images 0 to 5: Open, Export, Batch, Put In, Print, Help.
    static QList<QIcon> toolbar();
    // Tree images: 0/1 library, 2/3 part, 4/5 object (normal and selected).
    static QList<QIcon> tree();
    // Content list small images: 0 a record, 1 a slot without a record.
    static QList<QIcon> list();
    static QIcon program();
};

}  // namespace quelvane
