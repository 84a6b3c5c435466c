t = ""
for k in range(100000):
    t = t + "x"
print(len(t))
