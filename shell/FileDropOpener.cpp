#include "shell/FileDropOpener.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace quelvane {

namespace {

QString firstLocalFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) {
        return {};
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            return url.toLocalFile();
        }
    }
    return {};
}

}  // namespace

FileDropOpener::FileDropOpener(QWidget* window, std::function<void(const QString&)> open)
    : QObject(window), open_(std::move(open)) {
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

bool FileDropOpener::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!firstLocalFile(drag->mimeData()).isEmpty()) {
                drag->acceptProposedAction();
                return true;
            }
            return QObject::eventFilter(watched, event);
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString path = firstLocalFile(drop->mimeData());
            if (path.isEmpty()) {
                return QObject::eventFilter(watched, event);
            }
            drop->acceptProposedAction();
            open_(path);
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}

}  // namespace quelvane
