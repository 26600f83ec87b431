#include "app/shell/update_service.hpp"

namespace velmora {

UpdateService& UpdateService::shared() {
    static NoUpdateService service;
    return service;
}

} // namespace velmora
