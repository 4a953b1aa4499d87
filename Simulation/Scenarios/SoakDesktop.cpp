#include "SoakSession.hpp"
#include "Verbs.hpp"

#include <algorithm>
#include <cmath>
#include <string_view>

// The desktop a session starts from. The order of the draws is part of what a seed means: each
// call to the generator below happens in the order the session has always made it.

namespace lumivane::sim::soak {

namespace {

constexpr std::array<std::pair<double, double>, 6> displaySizes{
    {{1280, 800}, {1440, 900}, {1512, 982}, {1680, 1050}, {1920, 1080}, {2560, 1440}}};

// Application names: plain, with blanks, and beyond ASCII (all in NFC).
constexpr std::array<std::string_view, 24> appNames{
    "Mail",        "Safari",      "Notes",      "Pages",    "Maps",
    "Music",       "Photos",      "Xcode",      "Terminal", "Preview",
    "Calendar",    "Numbers",     "Keynote",    "Slack",    "Zoom",
    "Figma",       "Café Menu",   "Über Notes", "日历",     "Visual Studio Code",
    "Quote \"Q\"", "Back\\Slash", "Naïve Draw", "文档 Pro"};

// Excluded system processes that may own Dock items, one with its identifier in mixed case.
constexpr std::array<std::pair<std::string_view, std::string_view>, 3> systemApps{
    {{"Control Centre", "com.apple.controlcenter"},
     {"SystemUIServer", "com.apple.SystemUIServer"},
     {"loginwindow", "com.apple.loginwindow"}}};

// A session lasts this many simulated seconds or more, chosen evenly between the two.
constexpr double shortestSession = 60;
constexpr double longestSession = 180;

} // namespace

std::vector<Action> Session::setUp() {
  std::vector<Action> actions;
  drawScreens();
  for (const Rect& screen : screens_) {
    actions.emplace_back(command::Screen{screen});
  }
  actions.emplace_back(drawDock());
  drawItems(actions);
  for (const Feature feature : {Feature::hover, Feature::middle}) {
    if (random_.chance(0.15)) {
      const bool on = random_.chance(0.5);
      actions.emplace_back(
          command::Default{feature == Feature::hover ? "hoverEnabled" : "middleEnabled", on});
      if (!on) {
        switchedOff_.insert(feature);
      }
    }
  }
  if (random_.chance(0.05)) {
    actions.emplace_back(command::Permission{command::Permission::Kind::accessibility, false});
    accessibility_ = false;
  }
  if (random_.chance(0.05)) {
    actions.emplace_back(command::Permission{command::Permission::Kind::inputMonitoring, false});
    inputMonitoring_ = false;
  }
  drawProtectedList(actions);
  actions.emplace_back(command::Launch{});
  duration_ = random_.uniform(shortestSession, longestSession);
  return actions;
}

void Session::drawScreens() {
  screens_.clear();
  const int count = random_.chance(0.5) ? 1 : random_.chance(0.7) ? 2 : 3;
  const auto [width, height] = random_.pick(displaySizes);
  screens_.push_back({0, 0, width, height});
  for (int i = 1; i < count; ++i) {
    const auto [w, h] = random_.pick(displaySizes);
    // Side by side, each a little higher or lower than the primary.
    const double y = std::round(random_.uniform(-300, 300));
    double leftmost = 0;
    double rightmost = 0;
    for (const Rect& screen : screens_) {
      leftmost = std::min(leftmost, screen.minX());
      rightmost = std::max(rightmost, screen.maxX());
    }
    screens_.push_back(random_.chance(0.5) ? Rect{rightmost, y, w, h}
                                           : Rect{leftmost - w, y, w, h});
  }
}

// A Dock on an outer edge of one display, with icons of some size, magnified or not.
command::Dock Session::drawDock() {
  dockScreen_ = random_.next() % screens_.size();
  std::vector<DockEdge> edges{DockEdge::bottom};
  for (const DockEdge edge : {DockEdge::left, DockEdge::right}) {
    if (onOuterEdge(edge, dockScreen_)) {
      edges.push_back(edge);
    }
  }
  dockEdge_ = random_.pick(edges);
  command::Dock dock{dockEdge_, static_cast<double>(4 * random_.between(8, 24)), std::nullopt,
                     static_cast<int>(dockScreen_)};
  if (random_.chance(0.5)) {
    dock.magnifiedSize = std::min(256.0, dock.iconSize + 8 * random_.between(2, 10));
  }
  dock.autohide = random_.chance(0.2);
  autohide_ = dock.autohide;
  return dock;
}

// Displays stand side by side, so every bottom edge is an outer one, a left edge only on the
// leftmost display and a right edge only on the rightmost. A Dock sits only on an outer edge.
bool Session::onOuterEdge(DockEdge edge, std::size_t screen) const {
  if (screen >= screens_.size()) {
    return false;
  }
  const Rect& frame = screens_[screen];
  return std::ranges::all_of(screens_, [&](const Rect& other) {
    return edge == DockEdge::bottom ||
           (edge == DockEdge::left ? other.minX() >= frame.minX() : other.maxX() <= frame.maxX());
  });
}

// One command per Dock item.
void Session::drawItems(std::vector<Action>& actions) {
  const std::size_t first = actions.size();
  const int count = random_.between(5, 40);
  std::set<std::string> names;
  const auto unique = [&](std::string name) {
    std::string candidate = name;
    for (int n = 2; names.contains(candidate); ++n) {
      candidate = name + " " + std::to_string(n);
    }
    names.insert(candidate);
    return candidate;
  };
  if (random_.chance(0.7)) {
    command::App finder;
    finder.profile.name = unique("Finder");
    addApp(actions, std::move(finder));
  }
  if (random_.chance(0.2)) {
    const auto& [name, identifier] = random_.pick(systemApps);
    command::App system;
    system.profile.name = unique(std::string(name));
    system.profile.bundleIdentifier = identifier;
    addApp(actions, std::move(system));
  }
  const bool trash = random_.chance(0.8);
  const auto placed = [&] { return static_cast<int>(actions.size() - first); };
  while (placed() + (trash ? 1 : 0) < count) {
    const double kind = random_.uniform(0, 1);
    if (kind < 0.72 || apps_.size() < 2) {
      // The options are drawn before the name.
      command::App app = drawApp();
      app.profile.name = unique(std::string(random_.pick(appNames)));
      varyItem(actions, app);
      addApp(actions, std::move(app));
    } else if (kind < 0.86) {
      const std::string name = unique("Folder " + std::to_string(items_.size()));
      actions.emplace_back(command::DockItem{DockItemKind::folder, name, {}});
      items_.push_back(name);
    } else if (kind < 0.94) {
      actions.emplace_back(command::DockItem{DockItemKind::separator, {}, {}});
    } else {
      const std::string name = otherItem(actions, unique("Item " + std::to_string(items_.size())));
      if (!name.empty()) {
        items_.push_back(name);
      }
    }
  }
  if (trash) {
    actions.emplace_back(command::DockItem{DockItemKind::trash, std::string(verbs::trashName), {}});
    items_.emplace_back(verbs::trashName);
  }
  for (const std::string& app : apps_) {
    if (random_.chance(0.1)) {
      actions.emplace_back(command::DockBadge{app, std::to_string(random_.between(1, 99))});
    }
  }
}

// How an ordinary application behaves: its quit, activation policy, launch state and copies.
command::App Session::drawApp() {
  command::App app;
  AppProfile& profile = app.profile;
  const double quit = random_.uniform(0, 1);
  if (quit < 0.4) {
    profile.quit = QuitBehaviour::immediately;
  } else if (quit < 0.7) {
    profile.quit = QuitBehaviour::afterDelay;
    profile.quitDelay =
        scriptRounded(random_.chance(0.2) ? random_.uniform(11, 20) : random_.uniform(0, 3));
  } else if (quit < 0.85) {
    profile.quit = QuitBehaviour::never;
  } else {
    profile.quit = QuitBehaviour::refuse;
  }
  if (random_.chance(0.05)) {
    profile.policy = platform::ActivationPolicy::accessory;
  }
  if (random_.chance(0.08)) {
    profile.finishedLaunching = false;
  }
  profile.executableURL = random_.chance(0.08);
  const double copies = random_.uniform(0, 1);
  if (copies < 0.08) {
    app.copies = 0;
  } else if (copies < 0.16) {
    app.copies = 2;
  }
  return app;
}

// An application as `app NAME` declares it: the identifier and path follow the name unless set.
void Session::addApp(std::vector<Action>& actions, command::App app) {
  AppProfile& profile = app.profile;
  if (profile.bundleIdentifier.empty()) {
    profile.bundleIdentifier = verbs::defaultBundleIdentifier(profile.name);
  }
  if (profile.bundlePath.empty()) {
    profile.bundlePath = verbs::defaultBundlePath(profile.name);
  }
  apps_.push_back(profile.name);
  items_.push_back(profile.name);
  bundleIdentifiers_.insert_or_assign(profile.name, profile.bundleIdentifier);
  actions.emplace_back(std::move(app));
}

void Session::drawProtectedList(std::vector<Action>& actions) {
  const double kind = random_.uniform(0, 1);
  if (kind < 0.03) {
    actions.emplace_back(command::Default{"protectedApps", true});
    return;
  }
  if (kind >= 0.15) {
    return;
  }
  std::vector<std::string> identifiers;
  for (int count = random_.between(1, 3); count > 0; --count) {
    const std::string& name = random_.pick(apps_);
    std::string identifier = bundleIdentifiers_.at(name);
    if (random_.chance(0.3)) {
      std::ranges::transform(identifier, identifier.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
      });
    }
    identifiers.push_back(std::move(identifier));
    protected_.insert(name);
  }
  actions.emplace_back(command::Default{"protectedApps", std::move(identifiers)});
}

void Session::varyItem(std::vector<Action>& actions, command::App& app) {
  AppProfile& profile = app.profile;
  const std::string file = profile.name + ".app";
  if (random_.chance(0.1)) {
    app.pinned = false;
  }
  if (profile.name == "Safari" && random_.chance(0.5)) {
    // The Dock's default Safari item names the Preboot cryptex the link leads into.
    app.itemPath = "/System/Volumes/Preboot/Cryptexes/App/System/Applications/Safari.app";
    return;
  }
  if (!random_.chance(0.15)) {
    return;
  }
  switch (random_.between(0, 3)) {
  case 0:
    // The Dock recorded a link; the app runs from where it leads.
    profile.bundlePath = "/Volumes/Apps/" + file;
    app.itemPath = verbs::defaultBundlePath(profile.name);
    actions.emplace_back(command::Symlink{app.itemPath, profile.bundlePath});
    break;
  case 1:
    profile.bundlePath = "/private/var/apps/" + file;
    app.itemPath = "/var/apps/" + file;
    break;
  case 2:
    // A translocated copy of a download: another bundle as far as paths go.
    profile.bundlePath = "/private/var/folders/T/AppTranslocation/" +
                         std::to_string(random_.between(1, 9999)) + "/d/" + file;
    app.itemPath = "/Users/me/Downloads/" + file;
    break;
  default:
    // The data volume's firmlink, which resolves like no symbolic link.
    profile.bundlePath = verbs::defaultBundlePath(profile.name);
    app.itemPath = "/System/Volumes/Data/Applications/" + file;
    break;
  }
}

// A Dock item that stands for no app of the session; its name, or nothing for one without.
std::string Session::otherItem(std::vector<Action>& actions, const std::string& name) {
  switch (random_.between(0, 6)) {
  case 0: {
    // A document, now and then an application bundle.
    const std::string path = random_.chance(0.5) && !apps_.empty()
                                 ? verbs::defaultBundlePath(random_.pick(apps_))
                                 : "/Users/me/Documents/" + name;
    actions.emplace_back(command::DockItem{DockItemKind::document, name, path});
    return name;
  }
  case 1:
    actions.emplace_back(command::DockItem{DockItemKind::url, name, "https://example.com/"});
    return name;
  case 2:
    actions.emplace_back(command::DockItem{DockItemKind::minimizedWindow, name, {}});
    return name;
  case 3:
    actions.emplace_back(command::DockItem{DockItemKind::spacer, name, {}});
    return name;
  case 4:
    actions.emplace_back(command::DockItem{DockItemKind::extra, name, {}});
    return name;
  default: {
    const verbs::SystemItem& item = random_.chance(0.5) ? verbs::launchpad : verbs::missionControl;
    if (std::ranges::find(items_, item.name) != items_.end()) {
      return {};
    }
    actions.emplace_back(command::DockItem{DockItemKind::application, std::string(item.name),
                                           std::string(item.path)});
    return std::string(item.name);
  }
  }
}

} // namespace lumivane::sim::soak
