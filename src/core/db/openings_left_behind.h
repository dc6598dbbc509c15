#pragma once

namespace db {

// True while a thread that an opening left behind still waits on the
// connector: a program that ends then must not run the connector's clean-up
// under it (std::_Exit instead of returning from main).
bool OpeningsLeftBehind();

}  // namespace db
