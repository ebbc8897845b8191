#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <deque>
#include <functional>
#include <map>

// Answers the modal dialogs a test makes the program open, in the order they open, from inside
// their event loops. Every dialog seen is recorded (title and, for message boxes, text). A
// dialog that opens when no answer is left is rejected, so that a test fails instead of hanging.
class DialogAnswerer : public QObject {
public:
    using Answer = std::function<void(QWidget*)>;
    struct Seen {
        QString title;
        QString text;
    };

    DialogAnswerer() {
        connect(&m_timer, &QTimer::timeout, this, &DialogAnswerer::Poll);
        m_timer.start(5);
    }

    DialogAnswerer& Then(Answer answer) {
        m_answers.push_back(std::move(answer));
        return *this;
    }
    size_t Unanswered() const { return m_answers.size(); }
    const std::vector<Seen>& Dialogs() const { return m_seen; }
    int Unexpected() const { return m_unexpected; }
    void Clear() {
        m_seen.clear();
        m_unexpected = 0;
    }

    // Clicks a message box button.
    static Answer Click(QMessageBox::StandardButton button) {
        return [button](QWidget* w) {
            if (auto* box = qobject_cast<QMessageBox*>(w))
                box->button(button)->click();
        };
    }
    // Types into the named line edits and accepts.
    static Answer Fill(std::map<QString, QString> fields,
                       std::map<QString, QString>* before = nullptr) {
        return [fields, before](QWidget* w) {
            if (before)
                for (QLineEdit* edit : w->findChildren<QLineEdit*>())
                    (*before)[edit->objectName()] = edit->text();
            for (const auto& [name, text] : fields)
                if (auto* edit = w->findChild<QLineEdit*>(name))
                    edit->setText(text);
            static_cast<QDialog*>(w)->accept();
        };
    }
    // Picks a file in a file dialog.
    static Answer ChooseFile(const QString& path) {
        return [path](QWidget* w) {
            if (auto* dialog = qobject_cast<QFileDialog*>(w)) {
                dialog->selectFile(path);
                static_cast<QDialog*>(dialog)->accept();
            }
        };
    }
    static Answer Reject() {
        return [](QWidget* w) { static_cast<QDialog*>(w)->reject(); };
    }

private:
    void Poll() {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w == m_last)
            return;
        m_last = w;
        Seen seen{w->windowTitle(), {}};
        if (auto* box = qobject_cast<QMessageBox*>(w))
            seen.text = box->text();
        m_seen.push_back(seen);
        if (m_answers.empty()) {
            ++m_unexpected;
            if (auto* dialog = qobject_cast<QDialog*>(w))
                dialog->reject();
            return;
        }
        Answer answer = std::move(m_answers.front());
        m_answers.pop_front();
        answer(w);
    }

    QTimer m_timer;
    std::deque<Answer> m_answers;
    std::vector<Seen> m_seen;
    QPointer<QWidget> m_last;
    int m_unexpected = 0;
};
