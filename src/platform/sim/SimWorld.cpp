#include "platform/sim/SimWorld.h"

#include <algorithm>

namespace stellwick::sim {

SimWindow* SimWorld::window(WindowId id) {
    auto it = std::find_if(windows.begin(), windows.end(), [id](const SimWindow& w) { return w.id == id; });
    return it == windows.end() ? nullptr : &*it;
}

const SimWindow* SimWorld::window(WindowId id) const {
    return const_cast<SimWorld*>(this)->window(id);
}

SimApplication* SimWorld::application(std::int32_t pid) {
    auto it = std::find_if(applications.begin(), applications.end(),
                           [pid](const SimApplication& a) { return a.app.processIdentifier == pid; });
    return it == applications.end() ? nullptr : &*it;
}

const SimApplication* SimWorld::application(std::int32_t pid) const {
    return const_cast<SimWorld*>(this)->application(pid);
}

} // namespace stellwick::sim
