#pragma once

#include "wire.h"

#include <QObject>

class Clock;
struct OptSettings;

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
    // The delivery result, under the title "To " and the peer's name.
    void sendResultShown(const QString &label, const QString &peerName, const QString &date,
                         const QString &time);
    // A reader's answer; autoClose: the window goes by itself after ten seconds.
    void readResultShown(const QString &label, const wire::Name &name, const QString &date,
                         const QString &time, bool autoClose);
    // The small window instead: a delivery result's picture or a reader's answer's.
    void smallResultShown(bool deliveryPicture, const QString &time, bool autoClose);

private:
    enum class Display { None, Full, Small };
    void showSendResult(const QString &label, Display display);

    const OptSettings &m_settings;
    const Clock &m_clock;
    // A refusal names nobody: it is shown under the last name acknowledged.
    QString m_peerName;
};
