// Anchor of the framework library; the classes live in their own files.
