#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "views/OpenedSave.h"

class QProgressDialog;
class QWidget;

namespace quelvane {

class ConversionLayer;

// Opens a save off the window's thread: a worker reads it into a fresh OpenedSave behind a
// window-modal progress dialog whose Cancel stops the parse at its next read; the dialog shows
// once the open has taken a moment, so a small file opens without one flashing by. The worker
// converts through a conversion layer of its own, set to the window's pair, and holds back what
// the core says; when the open ends, the window's thread gives those messages in their order and
// then hands over the result. One open at a time: another asked for while one runs is refused.
class OpenSaveJob final : public QObject {
    Q_OBJECT

  public:
    static constexpr int kPollMilliseconds = 40;
    static constexpr int kShowAfterMilliseconds = 400;
    static constexpr int kProgressSteps = 1000;

    // What an open reads its stored bytes through (tests slow the reads down); unset, the bytes.
    using SourceWrapper = std::function<std::unique_ptr<BlockSource>(std::unique_ptr<BlockSource>)>;

    // Called on the window's thread once the open has ended and its messages are given; the
    // save is taken from `opened` when the outcome is Opened.
    using Done = std::function<void(OpenedSave::Outcome outcome, OpenedSave& opened)>;

    // `notifier` gives the held-back messages; `conversion` is the window's, whose pair and
    // binding each open copies; `moduleDirectory` is where its modules are bound from.
    OpenSaveJob(QWidget* window, Notifier& notifier, const ConversionLayer& conversion,
                std::string moduleDirectory);
    // Stops a running open and waits for its worker; nothing is delivered.
    ~OpenSaveJob() override;

    // Starts reading the save `stored` opens, named `path`; false, and nothing started, while
    // another open runs.
    bool start(OpenedSave::StoredOpener stored, const std::string& path, Done done);
    // Asks the running open to stop; it ends Cancelled, with nothing said.
    void cancel();
    // Lets the running open run to its end and delivers it now.
    void wait();
    bool running() const { return run_ != nullptr; }
    // Every save opened later is read through `wrap`, by its open and by its views.
    void readThrough(SourceWrapper wrap) { wrap_ = std::move(wrap); }
    // The running open's progress dialog; null when none runs.
    QProgressDialog* progressDialog() const;
    // Shows the running open's progress dialog, in front.
    void raise();

  signals:
    // An open ended and was delivered (opened, failed or cancelled).
    void finished();

  private:
    struct Run;

    void poll();
    void finish();

    QWidget* window_;
    Notifier& notifier_;
    const ConversionLayer& conversion_;
    std::string moduleDirectory_;
    std::shared_ptr<Run> run_;
    Done done_;
    SourceWrapper wrap_;
    QTimer pollTimer_;
    QPointer<QProgressDialog> progress_;
    // Where the keyboard was when the open began, given back when its dialog goes.
    QPointer<QWidget> focus_;
    bool windowActive_ = false;
    bool polling_ = false;
};

}  // namespace quelvane
