#pragma once

// The wrapper's classes by name, for headers that only pass them around.
namespace qorita::fb {

class TFbConnection;
class TFbTransaction;
class TFbStatement;

}  // namespace qorita::fb
