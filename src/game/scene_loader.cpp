// Scene description files.
