// Anchor of the common library.
