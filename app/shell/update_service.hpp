#pragma once

#include <memory>

namespace velmora {

// Checking for new versions of the application. The menu offers the check only when a service
// is available.
class UpdateService {
public:
    virtual ~UpdateService() = default;

    // Whether the application menu offers the check-for-updates item.
    [[nodiscard]] virtual bool isAvailable() const = 0;
    // Called once when launching has finished.
    virtual void start() = 0;
    // Called from the check-for-updates item.
    virtual void checkForUpdates() = 0;

    // The service of this build, created on first use and kept for the whole run.
    [[nodiscard]] static UpdateService& shared();
};

// On Linux the system's package manager brings new versions, so this service does nothing and
// the menu has no check-for-updates item.
class NoUpdateService final : public UpdateService {
public:
    [[nodiscard]] bool isAvailable() const override { return false; }
    void start() override {}
    void checkForUpdates() override {}
};

} // namespace velmora
