#pragma once

#include "Lumivane/Platform/Workspace.hpp"

namespace lumivane::mac {

// The Workspace port on NSWorkspace and NSRunningApplication. Paths and names are handed over in
// Unicode Normalization Form C; a quit is only ever the normal terminate request.
class MacWorkspace final : public platform::Workspace {
public:
  std::vector<platform::ApplicationInfo> runningApplications() override;
  std::optional<platform::ApplicationInfo> application(int32_t pid) override;
  std::vector<platform::ApplicationInfo> applications(std::string_view bundleIdentifier) override;
  bool terminate(int32_t pid) override;
  void openApplication(std::string_view bundlePath,
                       std::function<void(std::optional<platform::ApplicationInfo> application)>
                           completion) override;

  std::optional<std::string> canonicalPath(std::string_view path) override;
  bool openURL(std::string_view url) override;
  void revealInFileViewer(std::string_view path) override;
  bool reduceMotion() override;
};

} // namespace lumivane::mac
