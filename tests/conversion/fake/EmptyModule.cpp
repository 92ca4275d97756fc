// A library that loads but exports none of the conversion entry points.

extern "C" __attribute__((visibility("default"))) int NotAConversionModule() {
    return 0;
}
