#include "iconsets.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace iconsets {
namespace {

// Five outlines times two fills give ten sets; each has its own colour.
QPainterPath outline(int shape, const QRectF &r)
{
    QPainterPath path;
    switch (shape) {
    case 0:
        path.addEllipse(r);
        break;
    case 1:
        path.addRoundedRect(r, r.width() * 0.22, r.height() * 0.22);
        break;
    case 2: { // speech bubble
        const QRectF body(r.left(), r.top(), r.width(), r.height() * 0.78);
        path.addRoundedRect(body, r.width() * 0.25, r.height() * 0.25);
        QPolygonF tail;
        tail << QPointF(r.left() + r.width() * 0.25, body.bottom() - 1)
             << QPointF(r.left() + r.width() * 0.18, r.bottom())
             << QPointF(r.left() + r.width() * 0.48, body.bottom() - 1);
        path.addPolygon(tail);
        path = path.simplified();
        break;
    }
    case 3: { // diamond
        QPolygonF p;
        p << QPointF(r.center().x(), r.top()) << QPointF(r.right(), r.center().y())
          << QPointF(r.center().x(), r.bottom()) << QPointF(r.left(), r.center().y());
        path.addPolygon(p);
        path.closeSubpath();
        break;
    }
    default: { // hexagon
        QPolygonF p;
        for (int i = 0; i < 6; ++i) {
            const double a = M_PI / 3 * i + M_PI / 6;
            p << r.center() + QPointF(std::cos(a) * r.width() / 2, std::sin(a) * r.height() / 2);
        }
        path.addPolygon(p);
        path.closeSubpath();
        break;
    }
    }
    return path;
}

void paintEnvelope(QPainter &p, const QRectF &r, const QColor &paper, const QColor &ink)
{
    p.setPen(QPen(ink, std::max(1.0, r.width() / 12.0)));
    p.setBrush(paper);
    p.drawRect(r);
    QPolygonF flap;
    flap << r.topLeft() << QPointF(r.center().x(), r.top() + r.height() * 0.6) << r.topRight();
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(flap);
}

void paintSet(QPainter &p, const QRectF &box, int set, bool arrival)
{
    const double s = std::min(box.width(), box.height());
    const QRectF r(box.center().x() - s / 2, box.center().y() - s / 2, s, s);
    const QColor base = QColor::fromHsv((set * 36) % 360, 170, 200);
    const QColor dark = base.darker(170);
    const double edge = std::max(1.0, s / 16.0);

    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape = outline(set % 5, r.adjusted(edge, edge, -edge, -edge));
    p.setPen(QPen(dark, edge));
    p.setBrush(arrival ? QColor(255, 214, 64) : base);
    p.drawPath(shape);
    if (set >= 5) { // the second five wear an inner ring
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(arrival ? base : base.lighter(150), edge));
        p.drawPath(outline(set % 5, r.adjusted(s * 0.16, s * 0.16, -s * 0.16, -s * 0.16)));
    }
    const QRectF letter(r.left() + s * 0.28, r.top() + s * 0.36, s * 0.44, s * 0.28);
    paintEnvelope(p, letter, Qt::white, arrival ? QColor(200, 40, 40) : dark);
    if (arrival) { // the badge that says something came
        const double d = s * 0.34;
        p.setPen(QPen(Qt::white, edge));
        p.setBrush(QColor(220, 30, 30));
        p.drawEllipse(QRectF(r.right() - d, r.top(), d, d));
    }
}

class SetEngine final : public QIconEngine
{
public:
    SetEngine(int set, bool arrival) : m_set(set), m_arrival(arrival) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        painter->save();
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.4);
        paintSet(*painter, rect, m_set, m_arrival);
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter painter(&pm);
        paint(&painter, QRect(QPoint(), size), mode, state);
        return pm;
    }

    // High-DPI screens ask for more device pixels (size already counts
    // them): drawn at that size, never scaled up.
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override
    {
        QPixmap pm = pixmap(size, mode, state);
        pm.setDevicePixelRatio(scale);
        return pm;
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {{16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}, {64, 64}};
    }

    QIconEngine *clone() const override { return new SetEngine(m_set, m_arrival); }
    QString key() const override { return QStringLiteral("portana-iconset"); }

private:
    int m_set;
    bool m_arrival;
};

QIcon make(int set, bool arrival)
{
    if (!isValid(set))
        return {};
    return QIcon(new SetEngine(set, arrival));
}

} // namespace

bool isValid(int set)
{
    return set >= 0 && set < Count;
}

QIcon normal(int set)
{
    return make(set, false);
}

QIcon arrival(int set)
{
    return make(set, true);
}

} // namespace iconsets
