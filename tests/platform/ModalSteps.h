#pragma once
// Driving modal dialogs in tests: steps run while a modal loop (exec) is
// open, each against the active modal widget.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <vector>

namespace tolv::test {

// Steps tried every 10 ms against the active modal widget, each until it
// returns true. After the time limit (60 s unless given) every modal
// widget is closed, so a fault cannot hang the run. The limit is generous:
// the sanitizer build on a busy machine needs more than 10 s to print four
// 600 dpi pages from the preview.
class ModalSteps {
public:
    using Step = std::function<bool(QWidget*)>;
    explicit ModalSteps(std::vector<Step> steps, int limitMs = 60000)
        : steps_(std::move(steps)), limitMs_(limitMs)
    {
        clock_.start();
        // Single shots, armed again at each poll, so that polling goes on
        // inside the nested modal loops the steps' clicks open.
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(10);
    }
    bool done() const { return next_ == steps_.size(); }
    bool timedOut() const { return timedOut_; }

private:
    void poll()
    {
        timer_.start(10);
        QWidget* modal = QApplication::activeModalWidget();
        if (next_ < steps_.size() && modal && steps_[next_](modal))
            ++next_;
        if (clock_.elapsed() > limitMs_) {
            timedOut_ = true;
            for (int i = 0; i < 10; ++i) {
                QWidget* m = QApplication::activeModalWidget();
                if (!m)
                    break;
                if (auto* dlg = qobject_cast<QDialog*>(m))
                    dlg->reject();
                else
                    m->close();
            }
        }
    }
    std::vector<Step> steps_;
    int limitMs_;
    std::size_t next_ = 0;
    QTimer timer_;
    QElapsedTimer clock_;
    bool timedOut_ = false;
};

// A click that may open a nested modal loop is posted, so that the step
// that made it has ended before the loop runs.
inline void ClickLater(QAbstractButton* b)
{
    QTimer::singleShot(0, b, &QAbstractButton::click);
}

} // namespace tolv::test
