// How many files, sockets and other system objects this process holds open,
// for the tests that check an operation gives back all it took: they compare
// the count before and after.
#pragma once

namespace plova::testkit {

// The descriptors of this process on Linux; its handles of files and sockets
// on Windows, -1 where the system does not tell.
int OpenHandles();

}  // namespace plova::testkit
