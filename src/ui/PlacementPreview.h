#pragma once

#include "model/LayoutModel.h"

#include <QWidget>

namespace stellwick {

// An area drawn inside a display: the whole widget stands for the display's
// visible frame, the accent rectangle for the area. Areas reaching beyond the
// display are cut at its edge; the frame is drawn as given, not clamped.
class PlacementPreview : public QWidget {
    Q_OBJECT

public:
    explicit PlacementPreview(const NormalizedFrame& frame, QWidget* parent = nullptr);

    const NormalizedFrame& frame() const { return m_frame; }
    void setFrame(const NormalizedFrame& frame);
    // The area's rectangle in widget coordinates.
    QRectF areaRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    NormalizedFrame m_frame;
};

} // namespace stellwick
