#include "startup.h"

#include "application.h"
#include "calc/fpu.h"
#include "calc/numtext.h"
#include "frame/errors.h"
#include "ui/UAboutBox.h"
#include "ui/UMain.h"
#include "ui/UVisitePhone.h"

#include <cstdlib>
#include <memory>

namespace zentorix {
namespace {

// One window of the application, reachable by its instance name for as long
// as it exists.
template <typename Window> class Form {
public:
    explicit Form(Window*& instance) : instance_(instance), window_(std::make_unique<Window>())
    {
        instance_ = window_.get();
    }
    ~Form() { instance_ = nullptr; }
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    Window* operator->() const { return window_.get(); }

private:
    Window*& instance_;
    std::unique_ptr<Window> window_;
};

}  // namespace

int RunProgram(const char* programName)
{
    SetFloatingPointEnvironment();
    RefreshDecimalMark();

    // Wayland lets no program place its own windows: use XWayland when
    // there is one, unless the user chose a platform.
    if (std::getenv("DISPLAY") != nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "xcb", 0);

    TApplication application(programName);
    try {
        application.SetTitle(QString::fromUtf8(kApplicationTitle));
        // Destroyed last created first when the loop has ended; the main
        // window's destruction saves the settings.
        const Form<TFrmMain> mainWindow(FrmMain);
        const Form<TFrmVisitePhone> visitePhone(FrmVisitePhone);
        const Form<TAboutBox> aboutBox(AboutBox);

        mainWindow->show();
        QApplication::exec();
    } catch (const Exception& failure) {
        ShowFailure(failure);
    } catch (...) {
        ShowFailure(Exception(""));
    }
    return 0;
}

}  // namespace zentorix
