"""Writes an image as XPM text, the form our glyphs are kept in."""


def write_xpm(path, colours, rows):
    """colours maps each one-character key to an XPM colour; rows are strings of keys."""
    lines = [f'"{len(rows[0])} {len(rows)} {len(colours)} 1",']
    lines += [f'"{key} c {value}",' for key, value in colours.items()]
    name = path.split("/")[-1].replace(".", "_")
    with open(path, "w") as out:
        out.write(f"/* XPM */\nstatic const char* {name}[] = {{\n")
        out.write("\n".join(lines + [",\n".join(f'"{row}"' for row in rows)]) + "\n};\n")
