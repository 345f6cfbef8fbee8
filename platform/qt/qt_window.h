#pragma once

#include <QWidget>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/controls.h"
#include "app/window_plan.h"
#include "platform/qt/qt_tasks.h"
#include "platform/window_system.h"

class QMenu;
class QTabWidget;

namespace app {
class frmMain;
}

namespace platform::qt {

// The real main window, built from frmMain's control inventory. It mirrors every property
// change of the model onto its widgets and turns the user's actions into the model's events.
class QtWindow : public QWidget, public app::ControlObserver, public WindowSystem {
  public:
    QtWindow();

    // Creates one widget per control of `form` and starts observing it.
    void build(app::frmMain& form);

    // The widget built for a control, or nullptr.
    QWidget* widget(const std::string& name) const;
    // Pixels per twip on this screen.
    double pixels_per_twip() const { return dpi_ / (96.0 * app::kTwipsPerPixelAt96Dpi); }

    // ControlObserver
    void property_changed(const app::Control& control, app::Property property) override;

    // WindowSystem
    bool init_common_controls() override { return true; }
    void show_window() override;
    void hide_window() override;
    bool window_visible() const override;
    void set_window_state(WindowState state) override;
    WindowState window_state() const override;
    void popup_menu(const std::string& menu) override;
    void end_process() override;
    void set_busy(bool busy) override { show_busy_pointer(busy); }

    // The session is ending (log-off, shutdown): closes the window for good.
    void end_session();
    QMenu* menu(const std::string& name) const;

  protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* create_widget(std::size_t index, QWidget* parent);
    void connect_events(app::Control& control, QWidget* widget);
    void add_menu_item(app::Control& control);
    void show_tab(int tab);
    void apply_tab_order();
    void mirror(const app::Control& control, QWidget* widget, app::Property property);
    // Gives the widget the name and description a screen reader reads.
    void describe(std::size_t index, QWidget* widget);
    void describe(const app::Control& control, QWidget* widget);

    app::frmMain* form_ = nullptr;
    std::optional<app::WindowPlan> plan_;
    double dpi_ = 96.0;
    QTabWidget* tabs_ = nullptr;
    std::unordered_map<std::string, QWidget*> widgets_;
    std::unordered_map<QObject*, app::Control*> controls_;
    // Controls placed directly on the tab control, with their entries in the plan.
    std::vector<std::pair<QWidget*, std::size_t>> tab_members_;
    std::unordered_map<std::string, QMenu*> menus_;
    bool session_ending_ = false;
    bool mirroring_ = false;
};

}  // namespace platform::qt
