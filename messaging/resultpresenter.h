#pragma once

#include "wire.h"

#include <QObject>

class Clock;
struct OptSettings;

// One result for the sender, and the window it shows in.
struct SenderResult
{
    enum class Window {
        Send,  // FrmSndOK: delivered or refused, under "To " and peerName
        Read,  // FrmRcvOK: a reader's answer, from reader
        Small, // FrmSROK: the picture of a delivery or of an answer, and the time
    };
    Window window = Window::Send;
    QString label;
    QString peerName;
    wire::Name reader;
    QString date;
    QString time;
    bool deliveryPicture = false;
    // It goes by itself after ten seconds.
    bool autoClose = false;
};

// Decides what the sender is shown of a peer's answers, as the confirmation
// settings ask: the result's text and in which result window, if any. The
// windows themselves are the window owner's.
class ResultPresenter : public QObject
{
    Q_OBJECT
public:
    ResultPresenter(const OptSettings &settings, const Clock &clock, QObject *parent = nullptr);

    // A peer acknowledged a message, or refused one.
    void delivered(const wire::Name &name);
    void refused();
    // A peer opened, held or discarded one.
    void answered(wire::Kind kind, const wire::Name &name);

signals:
    void resultShown(const SenderResult &result);

private:
    enum class Display { None, Full, Small };
    void showSendResult(const QString &label, Display display);
    // A result for window, dated now.
    SenderResult stamped(SenderResult::Window window) const;

    const OptSettings &m_settings;
    const Clock &m_clock;
    // A refusal names nobody: it is shown under the last name acknowledged.
    QString m_peerName;
};
