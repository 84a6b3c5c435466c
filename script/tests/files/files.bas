' Sequential files and file system functions, in a folder below the test home.
Sub Main
  Dim root, f, line, a, b, c
  root = Environ("RUNVANE_HOME") & "/files_golden"
  MkDir root
  ChDir root
  Print CurDir = root ' expect: True
  f = FreeFile
  Print f ' expect: 1
  Open "data.txt" For Output As #f
  Print #f, "first line"
  Print #f, "a"; "b", "c"
  Write #f, "quoted, text", 42, True
  Close #f
  Open "data.txt" For Append As f
  Print #f, "appended"
  Close f
  Print FileLen("data.txt") ' expect: 50
  Open "data.txt" For Input As #1
  Line Input #1, line
  Print line ' expect: first line
  Line Input #1, line
  Print Replace(line, vbTab, "<tab>") ' expect: ab<tab>c
  Input #1, a, b, c
  Print a & "|" & b & "|" & c & "|" & TypeName(b) ' expect: quoted, text|42|True|Integer
  Line Input #1, line
  Print line & " " & EOF(1) & " " & LOF(1) ' expect: appended True 50
  Print Abs(DateDiff("n", FileDateTime("data.txt"), Now)) < 5 ' expect: True
  Close
  FileCopy "data.txt", "copy.txt"
  Name "copy.txt" As "moved.txt"
  Open root & "/other.log" For Output As #2: Close #2
  Print Dir(root & "/*.txt") & " " & Dir() & " " & Dir() & "|" ' expect: data.txt moved.txt |
  Print Dir("*.log") & " " & Dir("none.*") & "|" ' expect: other.log |
  Kill "*.txt"
  Print Dir("*.txt") & "|" & Dir("*") ' expect: |other.log
  Kill "other.log"
  ChDir ".."
  RmDir root
  Print Dir(root, vbDirectory) & "|" ' expect: |
  On Error Resume Next
  Open root & "/missing.txt" For Input As #3
  Print Err.Number ' expect: 53
  Err.Clear
  Line Input #9, line
  Print Err.Number ' expect: 52
  Err.Clear
  Kill root & "/nothing"
  Print Err.Number ' expect: 53
End Sub
