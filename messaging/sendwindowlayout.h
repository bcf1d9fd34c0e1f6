#pragma once

#include <QRectF>

// Where the compose window's controls stand for an outer window size W x H,
// all in twips. The recipient box and the user list keep their widths until
// the splitter sets them.
struct SendWindowLayout
{
    QRectF txtTO;
    QRectF cboGroup;
    QRectF txtMsg;
    QRectF lstAttach; // under the message, while something is attached
    QPointF cmdAttach;
    QRectF listView1;
    QPointF cmdSend;
    QPointF cmdCancel;
    QPointF cmdLetter;
    QPointF cmdKensaku;
    QPointF image1;
};

struct SendWindowDesign
{
    static constexpr double Width = 6200;
    static constexpr double Height = 3300;
    static constexpr double ToWidth = 1803;
    static constexpr double ToHeight = 300;
    // The group list between the recipient box and the user list.
    static constexpr double GroupHeight = 300;
    static constexpr double ListWidth = 1827;
    static constexpr double ButtonWidth = 1215;
    static constexpr double ButtonHeight = 375;
    static constexpr double ImageTop = 60;
    static constexpr double ImageSize = 480;
    static constexpr double SplitterLeft = 1815;
    static constexpr double SplitterWidth = 30;
    // What is attached: one or two rows under the message; 添付 beside the picture.
    static constexpr double AttachHeight = 600;
    static constexpr double AttachWidth = 480;
};

// Where a drag leaves the bar between the list and the message box: p is
// the bar's left plus the mouse within it, sw the inner width. Never left of
// 600, never closer than 1800 to the right edge.
double dragSendSplitter(double p, double sw);

// attachHeight: what the attached list takes of the message box (0: none).
SendWindowLayout layoutSendWindow(double w, double h, double toWidth = SendWindowDesign::ToWidth,
                                  double listWidth = SendWindowDesign::ListWidth,
                                  double attachHeight = 0);
