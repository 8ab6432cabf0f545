#pragma once

// The forms give each control the name of its member as its object name, so that the tests and
// the manual's screenshot callouts find it by what it is.

#include <QLatin1String>

namespace fw {

template <typename Object> Object* named(Object* object, const char* name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

} // namespace fw
