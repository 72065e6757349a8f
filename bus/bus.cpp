// Anchor of the bus library; the layer lives in its own files.
