// replaced by the library sources
