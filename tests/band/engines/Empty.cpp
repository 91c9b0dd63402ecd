// Engine files that carry nothing but a version resource.
