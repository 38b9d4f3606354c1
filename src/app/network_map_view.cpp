#include "app/network_map_view.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace lumacite::app {

NetworkMapView::NetworkMapView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
    settle_ = new QTimer(this);
    settle_->setSingleShot(true);
    settle_->setInterval(150);
    connect(settle_, &QTimer::timeout, this, [this] {
        render();
        update();
    });
}

void NetworkMapView::render() {
    const map::View v = view();
    const qreal ratio = devicePixelRatioF();
    picture_ = QImage((QSizeF(size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    picture_.setDevicePixelRatio(ratio);
    picture_view_ = v;
    picture_selected_ = selected_;
    QPainter painter(&picture_);
    if (map_) {
        map_->paint(painter, v, {selected_, false});
    } else {
        painter.fillRect(rect(), Qt::white);
    }
}

void NetworkMapView::moved() {
    update();
    settle_->start();
}

map::View NetworkMapView::view() const {
    map::View v = view_;
    v.size = QSizeF(size());
    return v;
}

void NetworkMapView::show_network(std::unique_ptr<map::NetworkMap> map) {
    map_ = std::move(map);
    view_.zoom = 1;
    view_.centre = QPointF(0.5, 0.5);
    selected_ = -1;
    picture_ = QImage();
    update();
}

void NetworkMapView::select(int node) {
    const int count = map_ ? static_cast<int>(map_->network().nodes.size()) : 0;
    selected_ = node >= 0 && node < count ? node : -1;
    update();
}

void NetworkMapView::zoom_at(QPointF at, double factor) {
    map::View v = view();
    const QPointF fixed = v.to_map(at);
    v.zoom = std::clamp(v.zoom * factor, 1.0, 64.0);
    const double s = v.scale();
    view_.zoom = v.zoom;
    view_.centre = QPointF(fixed.x() - (at.x() - v.size.width() / 2) / s,
                           fixed.y() - (at.y() - v.size.height() / 2) / s);
    moved();
}

void NetworkMapView::pan_by(QPointF distance) {
    const double s = view().scale();
    view_.centre -= QPointF(distance.x() / s, distance.y() / s);
    moved();
}

bool NetworkMapView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int node = map_ ? map_->node_at(help->pos(), view()) : -1;
        if (node >= 0) {
            QToolTip::showText(help->globalPos(),
                               map::node_tooltip(map_->network(), static_cast<std::size_t>(node)),
                               this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

void NetworkMapView::paintEvent(QPaintEvent*) {
    const map::View v = view();
    const bool same_size = !picture_.isNull() && picture_view_.size == v.size;
    if (!same_size || picture_selected_ != selected_ ||
        (!settle_->isActive() &&
         (picture_view_.zoom != v.zoom || picture_view_.centre != v.centre))) {
        settle_->stop();
        render();
    }
    QPainter painter(this);
    if (picture_view_.zoom == v.zoom && picture_view_.centre == v.centre) {
        painter.drawImage(QPointF(0, 0), picture_);
        return;
    }
    // Moving: the last picture, moved and scaled onto the current view.
    painter.fillRect(rect(), Qt::white);
    const double factor = v.scale() / picture_view_.scale();
    const QPointF origin = v.to_screen(0, 0);
    const QPointF old_origin = picture_view_.to_screen(0, 0);
    painter.translate(origin - old_origin * factor);
    painter.scale(factor, factor);
    painter.drawImage(QPointF(0, 0), picture_);
}

void NetworkMapView::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0) {
        zoom_at(event->position(), std::pow(1.25, steps));
    }
    event->accept();
}

void NetworkMapView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        dragged_ = false;
        press_at_ = last_at_ = event->position();
    }
}

void NetworkMapView::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_) {
        return;
    }
    const QPointF at = event->position();
    if (!dragged_ && (at - press_at_).manhattanLength() >= 4) {
        dragged_ = true;
        setCursor(Qt::ClosedHandCursor);
    }
    if (dragged_) {
        pan_by(at - last_at_);
        last_at_ = at;
    }
}

void NetworkMapView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) {
        return;
    }
    pressed_ = false;
    if (dragged_) {
        unsetCursor();
        return;
    }
    // A click: the node under the pointer is selected, a click beside every node clears.
    select(map_ ? map_->node_at(event->position(), view()) : -1);
}

void NetworkMapView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !map_) {
        return;
    }
    const int node = map_->node_at(event->position(), view());
    if (node >= 0) {
        select(node);
        emit nodeDoubleClicked(node);
    }
}

} // namespace lumacite::app
