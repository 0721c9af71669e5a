#pragma once

#include "platform/Cancellable.h"

#include <map>
#include <memory>
#include <vector>

namespace stellwick {

// Callbacks registered through Cancellable handles. A callback may add or
// remove subscriptions while it runs: one removed meanwhile is not called, one
// added meanwhile waits for the next notification. A handle may outlive the list.
template <typename Callback> class Subscribers {
public:
    Cancellable add(Callback callback) {
        const int id = m_nextId++;
        m_callbacks->emplace(id, std::make_shared<Callback>(std::move(callback)));
        std::weak_ptr<Map> callbacks = m_callbacks;
        return Cancellable([callbacks, id] {
            if (auto alive = callbacks.lock())
                alive->erase(id);
        });
    }

    // Calls `visit` with each callback registered now and still registered
    // when its turn comes.
    template <typename Visit> void forEach(Visit&& visit) const {
        std::vector<int> ids;
        ids.reserve(m_callbacks->size());
        for (const auto& entry : *m_callbacks)
            ids.push_back(entry.first);
        auto keepAlive = m_callbacks; // the list itself may be destroyed by a callback
        for (int id : ids) {
            auto it = keepAlive->find(id);
            if (it == keepAlive->end())
                continue;
            std::shared_ptr<Callback> callback = it->second;
            visit(*callback);
        }
    }

    template <typename... Args> void notify(const Args&... args) const {
        forEach([&](const Callback& callback) { callback(args...); });
    }

    bool empty() const { return m_callbacks->empty(); }
    std::size_t size() const { return m_callbacks->size(); }

private:
    using Map = std::map<int, std::shared_ptr<Callback>>;
    int m_nextId = 1;
    std::shared_ptr<Map> m_callbacks = std::make_shared<Map>();
};

} // namespace stellwick
