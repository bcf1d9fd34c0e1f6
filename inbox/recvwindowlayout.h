#pragma once

#include <QPointF>
#include <QRectF>

// Where the received-message window's controls stand for an outer window
// size W x H and a body box height, all in twips.
struct RecvWindowLayout
{
    QRectF text1;
    QRectF files; // under the text, when the message offers files
    QRectF text2;
    QRectF picSplitter;
    QPointF cmdOPCL, cmdCancel, cmdDel, cmdCback, cmdBack, cmdNext, cmdInyo, image1, image2;
};

struct RecvWindowDesign
{
    static constexpr double Width = 5640;
    static constexpr double Height = 4400;
    static constexpr double BodyHeight = 1795;
    static constexpr double WideButtonWidth = 1215;
    static constexpr double ButtonHeight = 375;
    static constexpr double PageButtonWidth = 540;
    static constexpr double InyoWidth = 525;
    static constexpr double InyoHeight = 315;
    static constexpr double ImageSize = 480;
    // The offered files: their list, the buttons, the progress or the state.
    static constexpr double FilesHeight = 1200;
};

// Where a drag leaves the bar between the body and the reply: p is the
// bar's top plus the mouse within it, sh the inner height. Never above 500;
// below that, never closer than 900 to the bottom.
double dragRecvSplitter(double p, double sh);

// filesHeight: the offered files' height under the text (0: none), which
// the window's height h includes.
RecvWindowLayout layoutRecvWindow(double w, double h,
                                  double bodyHeight = RecvWindowDesign::BodyHeight,
                                  double filesHeight = 0);
