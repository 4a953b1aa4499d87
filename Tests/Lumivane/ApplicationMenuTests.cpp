#include "CoordinatorFixture.hpp"

#include <string>
#include <tuple>
#include <vector>

namespace lumivane::test {
namespace {

using MenuAction = presentation::MenuItem::Action;

using ApplicationMenu = CoordinatorTest;

TEST_F(ApplicationMenu, HoldsTheFiveItemsAndTheirActions) {
  launch();
  const sim::ShellRecord& shell = desktop.shell();
  EXPECT_EQ(shell.menuTitle, "Lumivane");
  std::vector<std::tuple<std::string, MenuAction, std::string>> items;
  for (const presentation::MenuItem& item : shell.menuItems) {
    items.emplace_back(item.title, item.action, item.keyEquivalent);
  }
  EXPECT_EQ(items, (std::vector<std::tuple<std::string, MenuAction, std::string>>{
                       {"关于 Lumivane", MenuAction::custom, ""},
                       {"设置…", MenuAction::custom, ","},
                       {"", MenuAction::separator, ""},
                       {"关闭窗口", MenuAction::performClose, "w"},
                       {"退出 Lumivane", MenuAction::terminate, "q"}}));

  const std::vector<presentation::MenuItem> menu = shell.menuItems;
  menu[0].perform();
  EXPECT_EQ(lastWindow().title, "欢迎使用 Lumivane");
  menu[1].perform();
  desktop.runLoop().drain();
  EXPECT_TRUE(desktop.shell().popoverShown);
}

} // namespace
} // namespace lumivane::test
