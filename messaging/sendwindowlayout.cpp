#include "sendwindowlayout.h"

#include <algorithm>
#include <cmath>

double dragSendSplitter(double p, double sw)
{
    p = std::nearbyint(p); // halves to even
    return p <= 600 ? 600 : std::min(p, sw - 1800);
}

SendWindowLayout layoutSendWindow(double w, double h, double toWidth, double listWidth,
                                  double attachHeight)
{
    using D = SendWindowDesign;
    // A size that would come out negative is held at zero: the control
    // shrinks away instead of turning inside out.
    const auto len = [](double v) { return std::max(0.0, v); };
    SendWindowLayout l;
    l.txtTO = {10, 0, toWidth, D::ToHeight};
    const double message = len(h - 840);
    const double attach = std::min(attachHeight, message / 2);
    l.txtMsg = {toWidth + 50, 0, len(w - listWidth - 1500), message - attach};
    l.lstAttach = {toWidth + 50, message - attach, len(w - listWidth - 1500), attach};
    l.cboGroup = {0, D::ToHeight + 10, listWidth, D::GroupHeight};
    const double listTop = D::ToHeight + 10 + D::GroupHeight + 10;
    l.listView1 = {0, listTop, listWidth, len(h - listTop - 840)};
    l.cmdCancel = {w - 1380, h - 1220};
    l.cmdSend = {w - 1380, h - 1290 - D::ButtonHeight};
    l.cmdLetter = {w - 1380, h - 2130};
    l.cmdKensaku = {w - 1380, h - 2550};
    l.image1 = {w - 880, D::ImageTop};
    l.cmdAttach = {w - 1380, D::ImageTop};
    return l;
}
