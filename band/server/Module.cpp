// Placeholder translation unit until the server code lands.
