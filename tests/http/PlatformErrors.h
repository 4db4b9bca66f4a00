// Error numbers that differ between the targets' socket libraries.
#ifndef TARN_TESTS_HTTP_PLATFORMERRORS_H
#define TARN_TESTS_HTTP_PLATFORMERRORS_H

namespace httptest {

// What a connection to a port where nothing listens fails with.
int ConnectionRefusedError();

} // namespace httptest

#endif
