// Anchor of the services library.
