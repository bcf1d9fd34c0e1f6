#pragma once

#include <QWidget>

class IconTheme;
class QFrame;
class QLabel;
class QPushButton;
class QTimer;

// "ﾊﾞｰｼﾞｮﾝ情報": the name, the version and a picture that alternates
// between the two icons of the set once a second.
class FrmVersion : public QWidget
{
    Q_OBJECT
public:
    static constexpr int AnimationMs = 1000;

    // phase: where the last window left the animation, which goes on from there.
    FrmVersion(IconTheme &theme, int phase, QWidget *parent = nullptr);

    // The picture Image1 shows now: false normal, true arrival.
    bool showsArrival() const { return m_showsArrival; }
    // The set's pictures, as the theme stands now.
    void setPictures();

signals:
    void phaseChanged(int phase);

private:
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Image1;
    QLabel *Image2;
    QLabel *Image3;
    QFrame *Line1;
    QFrame *Line2;
    QPushButton *Command1;
    QTimer *Timer1;

    void Timer1_Timer();

    IconTheme &m_theme;
    int m_phase;
    bool m_showsArrival = false;
};
