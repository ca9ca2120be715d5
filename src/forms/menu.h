#pragma once

#include <functional>
#include <string>
#include <vector>

namespace plivora {

// A menu with items. A pop-up menu is only ever opened through the host, which raises the Click
// of the item the user chooses before the pop-up call returns.
class Menu {
public:
    Menu(std::string name, std::string caption)
        : m_name(std::move(name)), m_caption(std::move(caption)) {}
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    const std::string& name() const { return m_name; }
    const std::string& caption() const { return m_caption; }
    bool isVisible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }

    const std::vector<Menu*>& items() const { return m_items; }
    void addItem(Menu& item) { m_items.push_back(&item); }

    std::function<void()> Click;
    void raiseClick() {
        if (Click) {
            Click();
        }
    }

private:
    std::string m_name;
    std::string m_caption;
    bool m_visible = true;
    bool m_enabled = true;
    std::vector<Menu*> m_items;
};

// Pop-up menu flags.
inline constexpr unsigned TPM_LEFTALIGN = 0x0;
inline constexpr unsigned TPM_CENTERALIGN = 0x4;
inline constexpr unsigned TPM_RIGHTALIGN = 0x8;

}  // namespace plivora
