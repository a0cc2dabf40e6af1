// Placeholder until the reference host lands.
