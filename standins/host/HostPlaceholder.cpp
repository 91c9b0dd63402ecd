// Placeholder translation unit until the host toolbar stand-in lands.
