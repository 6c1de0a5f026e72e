#pragma once

// The four operations end to end: the real binary, a real embedded database and
// the sandbox courier over HTTPS on loopback. The tests are split by operation
// (OperationsCreaTest.cpp, OperationsConfermaTest.cpp, OperationsEliminaTest.cpp),
// and what every run leaves behind has a file of its own (OperationsArchiveTest.cpp).
#include "CallFixture.h"
#include "FileText.h"
#include "SandboxCourier.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace qorita::test {

class OperationsTest : public CourierCallFixture {
protected:
    explicit OperationsTest(sandbox::TWsdlStyle AStyle = sandbox::TWsdlStyle::BodyNamespace);

    // Checks a log row and its two archived files; returns the row.
    TRow ExpectLog(std::size_t AIndex, const std::string& AOperazione, const std::string& ACodice,
                   const std::string& AMessaggio, bool AWithResponse = true, const std::string& AOperatore = "42");
    void ExpectOutcome(std::int32_t ACall, const std::string& ACodice, const std::string& AMessaggio);
};

// The main path of each operation, against each style of service description:
// the courier refuses a wrapper element outside the namespace its description
// gives, so each passes only when the namespace was read from the description.
class OperationsByStyleTest : public OperationsTest, public ::testing::WithParamInterface<sandbox::TWsdlStyle> {
protected:
    OperationsByStyleTest() : OperationsTest(GetParam()) {}

    // Whether the last request the courier received wraps AOperation in the
    // namespace of this style.
    bool LastWrapperInStyleNamespace(const std::string& AOperation) const;
};

}  // namespace qorita::test
