#include "options/TrackbarField.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSlider>

TrackbarField::TrackbarField(int minimum, int maximum, int pageStep, int tickInterval,
                             QWidget* parent)
    : QWidget(parent) {
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setRange(minimum, maximum);
    m_slider->setSingleStep(1);
    m_slider->setPageStep(pageStep);
    m_slider->setTickInterval(tickInterval);
    m_slider->setTickPosition(QSlider::TicksBelow);

    m_number = new QLineEdit(this);
    m_number->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), this));
    m_number->setAlignment(Qt::AlignRight);
    const int digits = QString::number(maximum).size() + 2;
    m_number->setMaximumWidth(m_number->fontMetrics().horizontalAdvance(QLatin1Char('0')) * digits +
                              m_number->fontMetrics().height());
    m_number->setText(QString::number(m_slider->value()));

    connect(m_slider, &QSlider::valueChanged, this, [this](int value) {
        if (Typed() != value)
            m_number->setText(QString::number(value));
    });
    connect(m_number, &QLineEdit::textEdited, this, [this] {
        if (const std::optional<int> typed = Typed())
            m_slider->setValue(*typed);
    });

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_slider, 1);
    layout->addWidget(m_number);
}

int TrackbarField::Value() const {
    return m_slider->value();
}

void TrackbarField::SetValue(int value) {
    m_slider->setValue(value);
    m_number->setText(QString::number(m_slider->value()));
}

std::optional<int> TrackbarField::Typed() const {
    bool ok = false;
    const int value = m_number->text().toInt(&ok);
    if (!ok || value < m_slider->minimum() || value > m_slider->maximum())
        return std::nullopt;
    return value;
}

int TrackbarField::Minimum() const {
    return m_slider->minimum();
}

int TrackbarField::Maximum() const {
    return m_slider->maximum();
}

bool TrackbarField::CheckTyped(std::initializer_list<TrackbarField*> fields, QLabel* error) {
    for (TrackbarField* field : fields) {
        if (field->Typed())
            continue;
        error->setText(
            tr("Enter a number from %1 to %2.").arg(field->Minimum()).arg(field->Maximum()));
        error->show();
        field->Number()->setFocus();
        field->Number()->selectAll();
        return false;
    }
    error->hide();
    return true;
}

// A red line under the fields for CheckTyped, hidden until a number is refused.
QLabel* TrackbarField::MakeErrorLabel(QWidget* parent) {
    auto* error = new QLabel(parent);
    error->setStyleSheet(QStringLiteral("color: red"));
    error->setWordWrap(true);
    error->hide();
    return error;
}
