#pragma once

#include "wire.h"
#include "frmrcvok.h"
#include "frmsndok.h"
#include "frmsrok.h"

#include <QIcon>
#include <QObject>
#include <QPointer>

class Clock;
struct OptSettings;

// Shows the sender-side result windows for a peer's answers, as the
// confirmation settings ask: their texts and when each shows. A window still
// open is reused; closing one discards it.
class ResultPresenter : public QObject
{
    Q_OBJECT
public:
    ResultPresenter(const OptSettings &settings, const Clock &clock, QObject *parent = nullptr);
    ~ResultPresenter() override;

    FrmSndOK *sndOk() const { return m_sndOk; }
    FrmRcvOK *rcvOk() const { return m_rcvOk; }
    FrmSROK *srOk() const { return m_srOk; }

    // The icon set's normal picture, for the windows that wear it.
    void setWindowIcon(const QIcon &icon);

    // A peer acknowledged a message, or refused one.
    void delivered(const wire::Name &name);
    void refused();
    // A peer opened, held or discarded one.
    void answered(wire::Kind kind, const wire::Name &name);

private:
    enum class Display { None, Full, Small };
    void showSendResult(const QString &label, Display display);
    void showSmall(bool deliveryPicture, bool autoClose);
    void present(QWidget *window);

    const OptSettings &m_settings;
    // A refusal names nobody: it is shown under the last name acknowledged.
    QString m_peerName;
    const Clock &m_clock;
    QIcon m_icon;
    QPointer<FrmSndOK> m_sndOk;
    QPointer<FrmRcvOK> m_rcvOk;
    QPointer<FrmSROK> m_srOk;
};
