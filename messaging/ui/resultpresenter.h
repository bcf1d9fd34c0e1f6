#pragma once

#include "dispatcher.h"
#include "frmrcvok.h"
#include "frmsndok.h"
#include "frmsrok.h"

#include <QIcon>
#include <QObject>
#include <QPointer>

class Clock;
struct OptSettings;

// Shows the sender-side result windows the dispatcher asks for. A window
// still open is reused; closing one discards it.
class ResultPresenter : public QObject
{
    Q_OBJECT
public:
    ResultPresenter(Dispatcher &dispatcher, const OptSettings &settings, const Clock &clock,
                    QObject *parent = nullptr);
    ~ResultPresenter() override;

    FrmSndOK *sndOk() const { return m_sndOk; }
    FrmRcvOK *rcvOk() const { return m_rcvOk; }
    FrmSROK *srOk() const { return m_srOk; }

    // The icon set's normal picture, for the windows that wear it.
    void setWindowIcon(const QIcon &icon);

private:
    void showSendResult(const Dispatcher::SendResult &result);
    void showReceiveResult(const Dispatcher::ReceiveResult &result);
    void showSmall(bool deliveryPicture, bool autoClose);
    void present(QWidget *window);

    const OptSettings &m_settings;
    const Clock &m_clock;
    QIcon m_icon;
    QPointer<FrmSndOK> m_sndOk;
    QPointer<FrmRcvOK> m_rcvOk;
    QPointer<FrmSROK> m_srOk;
};
