#pragma once

#include <cstdio>

// A look at the links of an Ogg file before the Vorbis file layer opens it. The layer refuses a
// chain in which a later link's headers are damaged, and loses memory on the way when it does;
// such a file is refused here first.
class OggChain {
public:
    // Whether every link of the file begins with a Vorbis stream whose three headers are whole
    // and good. A file whose last page belongs to a stream of its first link is taken without
    // reading it through (the layer reads no further link of it). Leaves the file at its start.
    static bool LinksIntact(FILE* file);
};
