#include "core/session/id_set.hpp"

namespace velmora {

const IdSet::Set& IdSet::set() const {
    static const Set none;
    return m_shared ? m_shared->set : none;
}

const IdLookup& IdSet::lookup() const {
    static const IdLookup none;
    if (!m_shared)
        return none;
    Shared& shared = *m_shared;
    std::call_once(shared.once, [&] {
        shared.lookup = IdLookup(shared.set);
        shared.built = true;
    });
    return shared.lookup;
}

IdSet::Set& IdSet::edit() {
    // A set whose lookup was built (or is shared) is not changed in place: the change goes
    // to a copy, which builds its own lookup when asked.
    if (!m_shared)
        m_shared = std::make_shared<Shared>(Set());
    else if (m_shared.use_count() > 1 || m_shared->built)
        m_shared = std::make_shared<Shared>(Set(m_shared->set));
    return m_shared->set;
}

void IdSet::erase(std::string_view id) {
    if (!contains(id))
        return;
    Set& ids = edit();
    ids.erase(ids.find(id));
}

} // namespace velmora
