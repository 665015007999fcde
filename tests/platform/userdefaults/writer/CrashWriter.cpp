#include "platform/userdefaults/UserDefaults.h"

#include <cstdio>
#include <string>

// Writes ever-changing values to one suite until killed; prints "ready" after the first write so
// that the parent knows the file exists. With "set KEY" it stores KEY = 1 once and ends, a write
// from another process (and, run as another user, with other rights).
int main(int argc, char **argv)
{
    if (argc < 2) {
        return 2;
    }
    std::shared_ptr<UserDefaults> defaults = UserDefaults::suite(argv[1]);
    if (argc == 4 && std::string(argv[2]) == "set") {
        defaults->setObject(argv[3], PropertyValue(1));
        return 0;
    }
    for (std::int64_t i = 0;; ++i) {
        PropertyDictionary bulk;
        for (int j = 0; j < 50; ++j) {
            bulk.insert_or_assign("entry" + std::to_string(j),
                PropertyValue(std::string(static_cast<std::size_t>(i % 500), 'x')));
        }
        defaults->setObject("counter", PropertyValue(i));
        defaults->setObject("bulk", PropertyValue(std::move(bulk)));
        if (i == 0) {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
}
