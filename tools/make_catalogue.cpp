// make_catalogue SEED.tsv OUT.exs: builds the shipped catalogue from the seed.
#include "store/catalogue.h"

#include <iostream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_catalogue SEED.tsv OUT.exs\n";
        return 1;
    }
    try {
        lumacite::store::build_catalogue(argv[1], argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "make_catalogue: " << e.what() << "\n";
        return 3;
    }
    return 0;
}
