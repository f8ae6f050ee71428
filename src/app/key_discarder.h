// Discards every key typed into a control, so that its text changes only by the program.
#pragma once
#include <QObject>

namespace vr {

class KeyDiscarder : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace vr
