#pragma once
// The first step of a component's setter: store the new value only when it
// differs, and tell the caller whether it did, so that the setter updates
// only on a change.

namespace plat {

// Stores v when it differs from the field; true when it did.
template <class T>
bool StoreIfChanged(T& field, const T& v)
{
    if (field == v)
        return false;
    field = v;
    return true;
}

} // namespace plat
