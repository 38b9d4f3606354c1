// The network map of page 矩阵: draws a prepared network (map::NetworkMap) into a picture
// that is shown again as long as nothing changes. While the user pans or zooms the picture
// is moved and scaled at once, and drawn anew when the movement has settled, so that a map
// of tens of thousands of edges follows the mouse without stutter. It zooms with the wheel
// around the pointer, pans by dragging, shows a node's value, count,
// cluster and link strength on hover, highlights a node's neighbours on a click and reports
// a double-click on a node.
#pragma once

#include "map/network_map.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace lumacite::app {

class NetworkMapView : public QWidget {
    Q_OBJECT
public:
    explicit NetworkMapView(QWidget* parent = nullptr);

    // Shows a network with the whole map in view and nothing selected; null empties the view.
    void show_network(std::unique_ptr<map::NetworkMap> map);
    const map::NetworkMap* network_map() const { return map_.get(); }

    // The view as drawn now: zoom and centre, the widget's size.
    map::View view() const;
    int selected() const { return selected_; }
    // Selects a node (its neighbours stand out); -1 clears the selection.
    void select(int node);
    // Multiplies the zoom, keeping the map point under `at` where it is (1 … 64).
    void zoom_at(QPointF at, double factor);
    // Moves the map by a distance in pixels.
    void pan_by(QPointF distance);

signals:
    void nodeDoubleClicked(int node);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // Draws the picture of the current view (and selection) into the cache.
    void render();
    // Redraws once the view has not changed for a moment.
    void moved();

    std::unique_ptr<map::NetworkMap> map_;
    QImage picture_;         // the last drawing
    map::View picture_view_; // the view it was drawn for
    int picture_selected_ = -1;
    QTimer* settle_;
    map::View view_; // zoom and centre; the size is the widget's
    int selected_ = -1;
    bool pressed_ = false;
    bool dragged_ = false;
    QPointF press_at_;
    QPointF last_at_;
};

} // namespace lumacite::app
