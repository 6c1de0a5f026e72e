#pragma once

// Tests that check an error read the message of the program's Exception.

#include "common/Exception.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace qorita::test {

// The message of the Exception that AAction raises; the test fails when it
// raises none (and the empty text is returned).
inline std::string ErrorOf(const std::function<void()>& AAction)
{
    try {
        AAction();
    } catch (const Exception& error) {
        return error.Message();
    }
    ADD_FAILURE() << "no qorita::Exception raised";
    return {};
}

}  // namespace qorita::test
