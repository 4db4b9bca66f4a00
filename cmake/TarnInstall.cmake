# Installation of the header, the libraries, the tools and the CMake package.
