#include "app/RunProgress.h"
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <clocale>
#include <locale.h> // newlocale/uselocale (POSIX), _configthreadlocale (Windows)
#include <memory>

TRunProgressDialog::TRunProgressDialog(QWidget* parent, TEngineCancel cancel)
    : QDialog(parent), FCancel(cancel) {
    setObjectName(QStringLiteral("RunProgress"));
    setWindowTitle(QStringLiteral("Brevanto 2015"));
    // The close box cancels the run, as the Cancel button does.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    lblMessage = new QLabel(QStringLiteral("Running analysis..."), this);
    lblElapsed = new QLabel(ElapsedText(0), this);
    Bar = new QProgressBar(this);
    Bar->setRange(0, 0); // busy: the engine reports no progress
    Bar->setTextVisible(false);
    Bar->setMinimumWidth(280);
    layout->addWidget(lblMessage);
    layout->addWidget(lblElapsed);
    layout->addWidget(Bar);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setEnabled(FCancel != nullptr);
    btnCancel->setAutoDefault(false);
    connect(btnCancel, &QPushButton::clicked, this, &TRunProgressDialog::CancelRun);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    FClock.start();
    FTimer.setInterval(250);
    connect(&FTimer, &QTimer::timeout, this, &TRunProgressDialog::Tick);
    FTimer.start();
}

QString TRunProgressDialog::ElapsedText(qint64 ms) {
    const qint64 seconds = ms / 1000;
    return QStringLiteral("Elapsed time: %1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

void TRunProgressDialog::Tick() {
    lblElapsed->setText(ElapsedText(FClock.elapsed()));
}

void TRunProgressDialog::Finish() {
    FFinished = true;
    FTimer.stop();
    accept();
}

void TRunProgressDialog::CancelRun() {
    if (FFinished || FCancelRequested || !FCancel)
        return;
    FCancelRequested = true;
    FCancel();
    // The engine stops at its next surface; the dialog stays until it has.
    lblMessage->setText(QStringLiteral("Cancelling the analysis..."));
    btnCancel->setEnabled(false);
}

void TRunProgressDialog::reject() {
    if (FFinished)
        QDialog::reject();
    else
        CancelRun();
}

void TRunProgressDialog::closeEvent(QCloseEvent* event) {
    if (!FFinished) {
        event->ignore();
        CancelRun();
    } else {
        QDialog::closeEvent(event);
    }
}

std::int32_t CallWithCLocale(TEngineEntry entry, std::int32_t argument) {
#ifdef Q_OS_WIN
    // Per-thread locale: setlocale below changes this thread only.
    const int previous = _configthreadlocale(_ENABLE_PER_THREAD_LOCALE);
    setlocale(LC_ALL, "C");
    const std::int32_t result = entry(argument);
    _configthreadlocale(previous);
    return result;
#else
    locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    const locale_t previous = c ? uselocale(c) : locale_t(nullptr);
    struct TRestore {
        locale_t C, Previous;
        ~TRestore() {
            if (C) {
                uselocale(Previous);
                freelocale(C);
            }
        }
    } restore{c, previous};
    return entry(argument);
#endif
}

std::int32_t RunEngineWithProgress(QWidget* parent, TEngineEntry entry, std::int32_t argument,
                                   TEngineCancel cancel, bool* cancelled) {
    std::int32_t result = 0;
    TRunProgressDialog dialog(parent, cancel);
    std::unique_ptr<QThread> worker(
        QThread::create([entry, argument, &result] { result = CallWithCLocale(entry, argument); }));
    worker->setObjectName(QStringLiteral("Engine"));
    // Queued to the dialog's thread, so a call that ends before exec() starts is not missed.
    QObject::connect(worker.get(), &QThread::finished, &dialog, &TRunProgressDialog::Finish,
                     Qt::QueuedConnection);
    worker->start();
    dialog.exec();
    worker->wait();
    if (cancelled)
        *cancelled = dialog.CancelRequested();
    return result;
}
