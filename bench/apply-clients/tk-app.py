# One application of the apply benchmark: a Tk process with WINDOWS top-level
# windows, all of WM_CLASS CLASS, titled "CLASS n". Tk capitalises class names
# (first letter upper, the rest lower): give CLASS in that form.
# Usage: /usr/bin/python3 tk-app.py CLASS WINDOWS
import sys
import tkinter

class_name, count = sys.argv[1], int(sys.argv[2])
root = tkinter.Tk(className=class_name)
root.title(f"{class_name} 1")
root.geometry("320x240+40+40")
for n in range(2, count + 1):
    window = tkinter.Toplevel(root, class_=class_name)
    window.title(f"{class_name} {n}")
    window.geometry(f"320x240+{40 + 30 * n}+{40 + 30 * n}")
root.mainloop()
