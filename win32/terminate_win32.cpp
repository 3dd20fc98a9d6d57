// Linked into each shipped program (not the tests). An exception that
// escapes everything ends the program at once, as the library's own handler
// would after printing the exception's name; these programs have no console
// to print to, and that handler's name demangler is about 45 KB of every
// program. Defining the handler here keeps the library's copy out.
#include <cstdlib>
#include <exception>  // declares the handler

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
