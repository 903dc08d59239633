// The application object: Qt's application plus the hidden top-level window
// that carries the title and owns every message box.
#pragma once

#include <QApplication>

#include <memory>

namespace zentorix {

class TApplication : public QApplication {
public:
    // Qt sees only the program name: the command line is not used.
    explicit TApplication(const char* programName);
    ~TApplication() override;

    void SetTitle(const QString& title);
    QString Title() const;
    QWidget* ApplicationWindow() const { return applicationWindow_.get(); }

    // The last resort: a failure that escaped every dispatch wrapper.
    bool notify(QObject* receiver, QEvent* event) override;

protected:
    // The decimal mark follows a changed locale.
    bool event(QEvent* event) override;

private:
    std::unique_ptr<QWidget> applicationWindow_;
};

}  // namespace zentorix
