#pragma once

// "This fails with that message": the message of the Error an action ends with, or an empty
// text when it ends normally, so that a test compares texts and a failure prints both.

#include "numbers.h"

#include <QString>

namespace dalko::test {

template <typename Action>
QString errorMessage(Action &&action)
{
    try {
        action();
    } catch (const Error &error) {
        return error.message();
    }
    return QString();
}

} // namespace dalko::test
