// Entry point of the demo.
#include "app/app.h"

#include <exception>
#include <new>
#include <string>

int main() {
    // Whatever start-up or a frame throws ends the run with a message, never with an abort.
    try {
        return runDemo();
    } catch (const std::bad_alloc&) {
        fatalError("out of memory");
    } catch (const std::exception& failure) {
        fatalError((std::string("unexpected failure: ") + failure.what()).c_str());
    }
}
