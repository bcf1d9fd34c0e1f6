#include "recvwindowlayout.h"

#include <algorithm>
#include <cmath>

double dragRecvSplitter(double p, double sh)
{
    p = std::nearbyint(p); // halves to even
    return p <= 500 ? 500 : std::min(p, sh - 900);
}

RecvWindowLayout layoutRecvWindow(double w, double h, double bodyHeight, double filesHeight)
{
    using D = RecvWindowDesign;
    // A size that would come out negative is held at zero.
    const auto len = [](double v) { return std::max(0.0, v); };
    RecvWindowLayout l;
    l.text1 = {0, 0, len(w - 1465), bodyHeight};
    l.text2 = {0, bodyHeight + 60, len(w - 1465), len(h - bodyHeight - 900)};
    l.picSplitter = {0, bodyHeight, len(w - 1485), 60};
    l.cmdOPCL = {w - 1380, 560};
    l.cmdCancel = {w - 1380, 1000};
    l.cmdDel = {w - 1380, 1440};
    l.cmdCback = {w - 1380, h - 860 - D::ButtonHeight};
    l.cmdBack = {w - 1380, 0};
    l.cmdNext = {w - 690, 0};
    l.cmdInyo = {w - 700, 1890};
    l.image1 = {w - 1300, 2025};
    l.image2 = {w - 750, 2595};
    // The offered files stand under the text: what is below it moves down
    // as far (the window is as much taller).
    if (filesHeight > 0) {
        h -= filesHeight;
        l.files = {0, bodyHeight, len(w - 1465), filesHeight};
        l.text2 = {0, bodyHeight + filesHeight + 60, len(w - 1465), len(h - bodyHeight - 900)};
        l.picSplitter.translate(0, filesHeight);
        for (QPointF *below : {&l.cmdInyo, &l.image1, &l.image2})
            below->ry() += filesHeight;
    }
    return l;
}
