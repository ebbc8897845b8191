#pragma once

#include <QWidget>

#include <initializer_list>
#include <optional>

class QLabel;
class QLineEdit;
class QSlider;

// A trackbar with a number box beside it: moving the trackbar writes its position into the box,
// and a number typed in the range moves the trackbar. A typed number outside the range is left
// in the box for the page to refuse.
class TrackbarField : public QWidget {
    Q_OBJECT

public:
    TrackbarField(int minimum, int maximum, int pageStep, int tickInterval,
                  QWidget* parent = nullptr);

    // The trackbar's position; a value out of range is clamped by the trackbar.
    int Value() const;
    void SetValue(int value);
    // The typed number when it is within the range.
    std::optional<int> Typed() const;
    int Minimum() const;
    int Maximum() const;

    // The first field whose typed number is out of range gets the focus and `error` says what
    // it takes; false then. True (and `error` hidden) when every number is in range.
    static bool CheckTyped(std::initializer_list<TrackbarField*> fields, QLabel* error);
    static QLabel* MakeErrorLabel(QWidget* parent);

    QSlider* Slider() const { return m_slider; }
    QLineEdit* Number() const { return m_number; }

private:
    QSlider* m_slider;
    QLineEdit* m_number;
};
